<?xml version="1.0"?>
<!-- Search results. The window writes "t[...]" with its criteria into the
     select of the second xsl:apply-templates and the date-display expression
     into the second xsl:value-of, and fills TD Total and TD EntryCount itself.
     The Amount cells carry the amounts as the book holds them; the window
     reads each one, writes it as the page shows figures and adds them.
     Without criteria the second xsl:apply-templates keeps its own selection:
     the transactions of the month of the last entry, so that a large book
     still opens its search window at once, and says so in DIV DefaultListing,
     which the window drops from the page of a search with criteria. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="xml" omit-xml-declaration="yes"/>
  <xsl:key name="head" match="/Data/AcMaster/a" use="@Code"/>

  <xsl:template match="/">
    <HTML>
      <BODY>
        <DIV class="reporttitle">[*[REPORTTILE]*]</DIV>
        <xsl:apply-templates select="Data/Trans"/>
      </BODY>
    </HTML>
  </xsl:template>

  <xsl:template match="Trans">
    <!-- The month (yyyymm) of the last transaction entered: the default listing. -->
    <xsl:variable name="latest" select="floor(t[last()]/@dt div 100)"/>
    <TABLE width="100%" cellspacing="0" cellpadding="2">
      <TR><TH width="80">Date</TH><TH>From</TH><TH>To</TH><TH width="90">Amount</TH><TH>Details</TH></TR>
      <xsl:apply-templates select="t[floor(@dt div 100) = $latest]">
        <xsl:sort select="@dt" data-type="number"/>
        <xsl:sort select="@No" data-type="number"/>
      </xsl:apply-templates>
      <TR>
        <TD colspan="2" class="text" id="EntryCount"></TD>
        <TD class="GrandTotalCaption">Total</TD>
        <TD class="GrandTotalAmount" align="right" id="Total"></TD>
        <TD></TD>
      </TR>
    </TABLE>
    <xsl:if test="t">
      <DIV class="reporttitle" id="DefaultListing">
        <xsl:text>A search without criteria lists the transactions of the month of the last entry (</xsl:text>
        <xsl:value-of select="concat(substring($latest, 5, 2), '-', substring($latest, 1, 4))"/>
        <xsl:text>).</xsl:text>
      </DIV>
    </xsl:if>
  </xsl:template>

  <xsl:template match="t">
    <TR id="datarow">
      <TD class="text"><A href="[*[date]*]{@dt}"><xsl:value-of select="##DATEFORMAT##"/></A></TD>
      <TD class="text"><A href="{@fAc}"><xsl:value-of select="key('head', @fAc)/@AcName"/></A></TD>
      <TD class="text"><A href="{@tAc}"><xsl:value-of select="key('head', @tAc)/@AcName"/></A></TD>
      <TD class="Amount" align="right"><xsl:value-of select="."/></TD>
      <TD class="text"><xsl:value-of select="@Nar"/></TD>
    </TR>
  </xsl:template>
</xsl:stylesheet>
