<?xml version="1.0"?>
<!-- Test template: the transactions of one account between two dates, with
     account and date links, one row id per transaction and the placeholders
     the windows fill in. The second child of the root is the FromDate variable. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="xml" omit-xml-declaration="yes"/>
  <xsl:variable name="FromDate" select="0"/>
  <xsl:variable name="ToDate" select="0"/>
  <xsl:variable name="AcCode" select="0"/>
  <xsl:variable name="Label" select="'none'"/>
  <xsl:template match="/">
    <HTML>
      <BODY>
        <DIV class="reporttitle">[*[REPORTTILE]*]</DIV>
        <TABLE>
          <xsl:for-each select="/Data/Trans/t[@dt &gt;= $FromDate and @dt &lt;= $ToDate and (@fAc = $AcCode or @tAc = $AcCode)]">
            <TR id="id{@dt}{@No}">
              <TD><A href="[*[date]*]{@dt}"><xsl:value-of select="##DATEFORMAT##"/></A></TD>
              <TD><A href="{@fAc}"><xsl:value-of select="@fAc"/></A></TD>
              <TD class="Amount"><xsl:value-of select="."/></TD>
            </TR>
          </xsl:for-each>
        </TABLE>
        <P><xsl:value-of select="$Label"/></P>
      </BODY>
    </HTML>
  </xsl:template>
</xsl:stylesheet>
