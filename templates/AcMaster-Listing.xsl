<?xml version="1.0"?>
<!-- The account heads, by name, each with its code, its balance and edit and
     delete links. The account list window gives it a book of the account
     heads and a Balances section (one b per account: Code, and the balance
     as display text, money into the account counting positive); given the
     whole book instead, the balance column stays empty. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="xml" omit-xml-declaration="yes"/>
  <xsl:key name="balance" match="/Data/Balances/b" use="@Code"/>

  <xsl:template match="/">
    <HTML>
      <BODY>
        <DIV class="reporttitle"><B>Account Heads</B></DIV>
        <TABLE width="100%" cellspacing="0" cellpadding="2">
          <TR><TH width="50">Code</TH><TH width="200">Account Name</TH><TH width="120">Balance</TH><TH width="40">&#160;</TH><TH width="50">&#160;</TH></TR>
          <xsl:for-each select="/Data/AcMaster/a">
            <xsl:sort select="translate(@AcName, 'abcdefghijklmnopqrstuvwxyz', 'ABCDEFGHIJKLMNOPQRSTUVWXYZ')"/>
            <xsl:sort select="@Code" data-type="number"/>
            <TR id="id{@Code}">
              <TD class="text"><xsl:value-of select="@Code"/></TD>
              <TD class="text" style="white-space:nowrap"><A href="{@Code}"><xsl:value-of select="@AcName"/></A></TD>
              <TD class="Amount" align="right" style="white-space:nowrap"><xsl:value-of select="key('balance', @Code)"/></TD>
              <TD class="text"><A href="[*[E]*]{@Code}">Edit</A></TD>
              <TD class="text"><A href="[*[D]*]{@Code}">Delete</A></TD>
            </TR>
          </xsl:for-each>
        </TABLE>
      </BODY>
    </HTML>
  </xsl:template>
</xsl:stylesheet>
