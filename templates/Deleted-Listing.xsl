<?xml version="1.0"?>
<!-- The bin: deleted transactions, newest first as the program lists them,
     each with a Restore link carrying its Id. The program works out every
     text shown (times, dates, account names, grouped amounts). -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="xml" omit-xml-declaration="yes"/>

  <xsl:template match="/">
    <HTML>
      <BODY>
        <DIV class="reporttitle"><B>Deleted Transactions</B></DIV>
        <xsl:choose>
          <xsl:when test="not(/Data/Deleted/d)">
            <P>The bin is empty.</P>
          </xsl:when>
          <xsl:otherwise>
            <TABLE width="100%" cellspacing="0" cellpadding="2">
              <TR><TH width="100">Deleted on</TH><TH width="72">Date</TH><TH width="22">No</TH><TH width="75">From</TH><TH width="75">To</TH><TH width="120">Narration</TH><TH width="70">Amount</TH><TH width="50">&#160;</TH></TR>
              <xsl:for-each select="/Data/Deleted/d">
                <TR id="id{@Id}">
                  <TD class="text" style="white-space:nowrap"><xsl:value-of select="@At"/></TD>
                  <TD class="text"><xsl:value-of select="@Date"/></TD>
                  <TD class="text"><xsl:value-of select="@No"/></TD>
                  <TD class="text"><xsl:value-of select="@From"/></TD>
                  <TD class="text"><xsl:value-of select="@To"/></TD>
                  <TD class="text"><xsl:value-of select="@Nar"/></TD>
                  <TD class="Amount" align="right" style="white-space:nowrap"><xsl:value-of select="@Amount"/></TD>
                  <TD class="text"><A href="[*[R]*]{@Id}">Restore</A></TD>
                </TR>
              </xsl:for-each>
            </TABLE>
          </xsl:otherwise>
        </xsl:choose>
      </BODY>
    </HTML>
  </xsl:template>
</xsl:stylesheet>
